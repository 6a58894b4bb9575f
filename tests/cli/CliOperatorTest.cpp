// The headless front end as an operator drives it on a data-entry screen fed
// with `block`: paste and typing refused with their reasons, copy of whole
// rows, the field list's data column, and a save that fails.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/CliShell.h"
#include "ds5250/RecordBuilder.h"

namespace quenlix::testing {
namespace {

class CliOperatorTest : public ::testing::Test {
protected:
    CliOperatorTest() : shell(out, QUENLIX_TABLE_DIR, "TESTPC") {
        shell.session().activeSettings.PageCode = 37;
    }
    std::string Run(const std::string& line, bool expectOk = true) {
        out.str("");
        EXPECT_EQ(shell.Execute(line), expectOk) << line << "\n" << out.str();
        return out.str();
    }
    /// Rows as the demo host's data-entry screen writes them: a label padded
    /// to 27 columns, dot leaders, the field's attribute in column 38.
    void DataEntryScreen() {
        RecordBuilder r;
        r.clearUnit().writeToDisplay().sba(1, 30).text("Data Entry");
        r.sba(4, 2).text("Surname (alphabetic only)  . . :").sba(4, 38)
            .startOfField(0x41, 0x00, 0x20, 10);
        r.sba(6, 2).text("Amount (numeric only)      . . :").sba(6, 38)
            .startOfField(0x43, 0x00, 0x20, 8);
        r.sba(14, 2).text("Account (field exit)       . . :").sba(14, 38)
            .startOfField(0x40, 0x40, 0x20, 5);
        r.sba(15, 2).text("Quick code (auto-enter)    . . :").sba(15, 38)
            .startOfField(0x40, 0x80, 0x20, 3);
        r.insertCursor(4, 39).readMdtFields();
        ASSERT_TRUE(shell.Execute("block " + cli::HexLine(r.record().data(), r.record().size())));
        out.str("");
    }
    std::string FieldText(int index) {
        const std::string fields = Run("fields");
        std::istringstream lines(fields);
        std::string line;
        for (int i = 0; i <= index && std::getline(lines, line); ++i) {}
        const auto at = line.find("\"text\":\"");
        if (at == std::string::npos) return {};
        return line.substr(at + 8, line.find('"', at + 8) - at - 8);
    }

    std::ostringstream out;
    cli::CliShell shell;
};

TEST_F(CliOperatorTest, PasteLeavesARefusedFieldAsItWasAndSaysWhy) {
    DataEntryScreen();
    Run("cursor 6 39");
    Run("type 1234");
    Run("cursor 6 39");
    EXPECT_EQ(Run("paste $99"),
              "refused: Paste: Amount (numeric only) left unchanged: digits + - , . blank only\n");
    EXPECT_EQ(FieldText(1), "1234    ") << "not 1994";
    EXPECT_NE(Run("status").find("\"cursorRow\":6,\"cursorColumn\":39"), std::string::npos);

    Run("cursor 4 39");
    Run("type Smith");
    Run("cursor 4 39");
    EXPECT_EQ(Run("paste O2Neil"),
              "refused: Paste: Surname (alphabetic only) left unchanged: letters , . - blank "
              "only\n");
    EXPECT_EQ(FieldText(0), "Smith     ") << "not OmNeil";

    // Accepted, it behaves as before: the text overwrites from the cursor.
    Run("cursor 6 39");
    EXPECT_EQ(Run("paste 99"), "");
    EXPECT_EQ(FieldText(1), "9934    ");
}

TEST_F(CliOperatorTest, AFieldExitRequiredFieldRefusesKeysPastItsEnd) {
    DataEntryScreen();
    Run("cursor 14 39");
    EXPECT_EQ(Run("type ABCDEF"), "refused: Field Exit required\n");
    EXPECT_EQ(FieldText(2), "ABCDE") << "the E is kept, the F refused";
    EXPECT_NE(Run("status").find("\"cursorRow\":14,\"cursorColumn\":43"), std::string::npos);
    Run("insert on");
    EXPECT_EQ(Run("type G"), "refused: Field Exit required\n");
    Run("insert off");
    EXPECT_EQ(Run("key FieldExit"), "");
    EXPECT_EQ(FieldText(2), "ABCDE");
    EXPECT_NE(Run("status").find("\"cursorRow\":15,\"cursorColumn\":39"), std::string::npos);

    // Enter sends the five characters.
    const std::string sent = Run("key Enter");
    const Bytes abcde = {0x11, 14, 39, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5};
    EXPECT_NE(sent.find(cli::HexLine(abcde.data(), abcde.size())), std::string::npos) << sent;
}

TEST_F(CliOperatorTest, CopyPrintsOneLineARowTrimmedOrNot) {
    DataEntryScreen();
    for (const bool trim : {true, false}) {
        SCOPED_TRACE(trim ? "trimmed" : "untrimmed");
        shell.SetTrimCopy(trim);
        const std::string text = Run("copy 1 1 24 80");
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 24);
        const std::string title = std::string(29, ' ') + "Data Entry";
        EXPECT_EQ(text.substr(0, text.find('\n')), trim ? title : title + std::string(41, ' '));
    }
    shell.SetTrimCopy(true);
    EXPECT_EQ(Run("copy 2 1 3 80"), "\n\n") << "two blank rows, two empty lines";

    // Copy needs no connection.
    Run("disconnect");
    const std::string text = Run("copy 1 1 24 80");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 24);
}

TEST_F(CliOperatorTest, FieldsGiveTheFirstDataColumnAfterTheOtherKeys) {
    DataEntryScreen();
    const std::string fields = Run("fields");
    EXPECT_NE(fields.find("\"row\":6,\"column\":38,"), std::string::npos) << fields;
    EXPECT_NE(fields.find("\"text\":\"        \",\"start\":39}\n"), std::string::npos) << fields;

    // An attribute in the last column: the data starts in column 1.
    RecordBuilder r;
    r.clearUnit().writeToDisplay().sba(3, 80).startOfField(0x40, 0x00, 0x20, 4).readMdtFields();
    ASSERT_TRUE(shell.Execute("block " + cli::HexLine(r.record().data(), r.record().size())));
    EXPECT_NE(Run("fields").find("\"column\":80,"), std::string::npos);
    EXPECT_NE(out.str().find(",\"start\":1}"), std::string::npos) << out.str();
}

TEST_F(CliOperatorTest, ASaveThatFailsSaysWhyAsTheDesktopDoes) {
    const std::string dir =
        std::filesystem::temp_directory_path() / ("quenlix-cli-save-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string missing = dir + "/no-such-folder/s.stn";
    EXPECT_EQ(Run("save " + missing, false),
              "message: Saving of session file failed\\n" + missing +
                  "\\nNo such file or directory\n");
    {
        std::ofstream(dir + "/plain") << "x";
    }
    const std::string underFile = dir + "/plain/s.stn";
    EXPECT_EQ(Run("save " + underFile, false),
              "message: Saving of session file failed\\n" + underFile + "\\nNot a directory\n");

    // A folder the user may not write to (the superuser may).
    const std::string locked = dir + "/locked";
    std::filesystem::create_directories(locked);
    ::chmod(locked.c_str(), 0555);
    if (::access(locked.c_str(), W_OK) != 0) {
        EXPECT_EQ(Run("save " + locked + "/s.stn", false),
                  "message: Saving of session file failed\\n" + locked +
                      "/s.stn\\nPermission denied\n");
    }
    ::chmod(locked.c_str(), 0755);
    EXPECT_EQ(Run("save " + dir + "/ok.stn"), "");
    EXPECT_FALSE(shell.Execute("save"));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quenlix::testing

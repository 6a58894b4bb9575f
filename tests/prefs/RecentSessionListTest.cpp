// Recent-session list: order, case, capacity, storage and the menu texts.
#include <gtest/gtest.h>

#include "prefs/RecentSessionList.h"

namespace quenlix {
namespace {

using Paths = std::vector<std::string>;

TEST(RecentSessionListTest, AddMovesToTopIgnoringCaseAndKeepsFour) {
    RecentSessionList list;
    list.Add("/s/a.stn");
    list.Add("/s/b.stn");
    list.Add("/s/c.stn");
    list.Add("/S/A.STN");  // the same entry in other case: moved up, new spelling kept
    EXPECT_EQ(list.entries(), (Paths{"/S/A.STN", "/s/c.stn", "/s/b.stn"}));
    list.Add("/s/d.stn");
    list.Add("/s/e.stn");  // the oldest, b, falls off
    EXPECT_EQ(list.entries(), (Paths{"/s/e.stn", "/s/d.stn", "/S/A.STN", "/s/c.stn"}));
    list.Add("/s/c.stn");  // the last one moved to the top; nothing dropped
    EXPECT_EQ(list.entries(), (Paths{"/s/c.stn", "/s/e.stn", "/s/d.stn", "/S/A.STN"}));
    list.Add("");
    EXPECT_EQ(list.entries().size(), 4u);
}

TEST(RecentSessionListTest, StoredAsFileNumbersWithoutEmptyEntries) {
    MemorySettingsStore store;
    RecentSessionList list;
    list.Load(store);
    EXPECT_TRUE(list.empty());
    list.Add("/s/old.stn");
    list.Add("/s/new.stn");
    list.Save(store);
    EXPECT_EQ(store.Keys("MRU"), (Paths{"File1", "File2"}));
    EXPECT_EQ(store.ReadString("MRU", "File1", ""), "/s/new.stn");

    // A hand-edited section: gaps and repeats are dropped on load, and the
    // next save leaves no stale numbers behind.
    store.WriteString("MRU", "File1", "");
    store.WriteString("MRU", "File2", "/s/x.stn");
    store.WriteString("MRU", "File3", "/S/X.stn");
    store.WriteString("MRU", "File4", "/s/y.stn");
    store.WriteString("MRU", "File5", "/s/ignored.stn");
    list.Load(store);
    EXPECT_EQ(list.entries(), (Paths{"/s/x.stn", "/s/y.stn"}));
    list.Save(store);
    EXPECT_EQ(store.Keys("MRU"), (Paths{"File1", "File2"}));
    RecentSessionList again;
    again.Load(store);
    EXPECT_EQ(again.entries(), list.entries());
}

TEST(RecentSessionListTest, MergeKeepsWhatAnotherProgramStoredMeanwhile) {
    MemorySettingsStore store;
    store.WriteString("MRU", "File1", "/s/x.stn");
    store.WriteString("MRU", "File2", "relative.stn");
    RecentSessionList ours;
    ours.Load(store);
    // Another program opens two sessions and stores its list.
    RecentSessionList theirs;
    theirs.Load(store);
    theirs.Add("/s/b1.stn");
    theirs.Add("/s/b2.stn");
    theirs.MergeInto(store);
    EXPECT_EQ(store.ReadString("MRU", "File1", ""), "/s/b2.stn");

    // This one opened a session, then another, moved x up again, and
    // dropped the relative entry: its changes go over the stored list in
    // the order they were made, and the list itself is left as it was.
    ours.Add("/s/a1.stn");
    ours.Add("/S/A2.stn");
    ours.Add("/s/X.stn");
    ours.Remove("RELATIVE.stn");
    const Paths before = ours.entries();
    ours.MergeInto(store);
    EXPECT_EQ(ours.entries(), before);
    RecentSessionList merged;
    merged.Load(store);
    EXPECT_EQ(merged.entries(), (Paths{"/s/X.stn", "/S/A2.stn", "/s/a1.stn", "/s/b2.stn"}));

    // Without changes of its own a list stores the other program's as is.
    RecentSessionList idle;
    idle.Load(store);
    theirs.Add("/s/b3.stn");
    theirs.MergeInto(store);
    idle.MergeInto(store);
    merged.Load(store);
    EXPECT_EQ(merged.entries().front(), "/s/b3.stn");
}

TEST(RecentSessionListTest, MenuLabelsNumberEscapeAndShorten) {
    RecentSessionList list;
    list.Add("/home/op/R&D/q.stn");
    list.Add("/home/op/sub/p.stn");
    list.Add("/home/op/Tom & Jerry.stn");
    list.Add("relative.stn");
    EXPECT_EQ(list.MenuLabels("/home/op/"),
              (Paths{"&1 relative.stn", "&2 Tom && Jerry.stn", "&3 /home/op/sub/p.stn",
                     "&4 /home/op/R&&D/q.stn"}));
    EXPECT_EQ(list.MenuLabels("/home/op/R&D")[3], "&4 q.stn");
    EXPECT_EQ(ShortenToCurrentFolder("/a.stn", "/"), "a.stn");
    EXPECT_EQ(ShortenToCurrentFolder("/home/op/", "/home/op"), "/home/op/");
    EXPECT_EQ(ShortenToCurrentFolder("/home/opx/a.stn", "/home/op"), "/home/opx/a.stn");
}

}  // namespace
}  // namespace quenlix

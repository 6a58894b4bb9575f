# The Debian package (cpack -G DEB, see scripts/package): everything the
# install rules put under the prefix, installed to /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quenlix-telnet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Quenlix)
set(CPACK_PACKAGE_CONTACT "Quenlix <maintainers@quenlix.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "TN5250 terminal emulator")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quenlix <maintainers@quenlix.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The run-time dependencies come from the programs' shared libraries
# (dpkg-shlibdeps, in dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The icon is SVG; Qt draws it through a plug-in, which no program links.
# Passwords live in the desktop keyring through libsecret, and printer
# sessions write PDFs through cairo: both named here as well so the package
# says so even where dpkg-shlibdeps is not run.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, libsecret-1-0, libcairo2")
# The default screen face "Courier New" is shown in its metric twin,
# Liberation Mono; without it fontconfig picks a monospaced face of other
# widths. Printer sessions set their PDFs in it too.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)
# The synopsis line is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the rest.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Connects to a midrange host that speaks the 5250 data stream over telnet,\n"
    "shows its screens and sends the operator's input. Includes the desktop\n"
    "program quenlix-telnet, the headless front end quenlix-telnet-cli for\n"
    "scripts, and quenlix-demo-host, a small scripted host to try it without one.")
include(CPack)

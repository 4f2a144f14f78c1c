# Package lists shared by scripts/run and scripts/test.
BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev
                libxlsxwriter-dev libicu-dev libpcre2-dev)
# Qt needs a few fonts and xcb libraries to draw a real window.
RUN_PACKAGES=(fonts-liberation libqt6gui6 qt6-qpa-plugins xdg-utils)
# libreoffice-calc-nogui: soffice --headless --convert-to reads the exported workbooks back.
# desktop-file-utils, appstream: validate the desktop entry and the metainfo;
# dpkg-dev, file: cpack -G DEB reads the program's library dependencies.
# dbus-daemon, dbus-bin, at-spi2-core, python3-pyatspi: the lists read through
# AT-SPI on a session bus of their own, as a screen reader reads them;
# xdotool, xclip: keys typed and the clipboard held on a virtual X server.
# man-db, groff-base, lintian: the manual page renders without warnings, and
# the package holds it as Debian wants it.
TEST_PACKAGES=(xvfb xauth x11-utils clang libclang-rt-14-dev libreoffice-calc-nogui
               desktop-file-utils appstream dpkg-dev file
               dbus-daemon dbus-bin at-spi2-core python3-pyatspi xdotool xclip
               man-db groff-base lintian)
# scripts/screenshot: a virtual X server and a way to grab its screen.
SCREENSHOT_PACKAGES=(xvfb xauth x11-utils imagemagick)

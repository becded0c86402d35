# `cmake --build <dir> --target package` makes kelvor_<version>_amd64.deb: the program, its menu entry and
# launcher, AppStream description, icon and help pages under /usr. The libraries it needs are computed from
# the binary (dpkg-shlibdeps); what it loads without linking is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Kelvor maintainers <maintainers@kelvor.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pure-tone hearing test with audiogram")
set(CPACK_PACKAGE_DESCRIPTION
    "Kelvor plays pulsed test tones into headphones, one ear at a time, rising in 2 dB steps until the\n"
    "listener answers; the thresholds of both ears form an audiogram drawn beside a normal curve, saved,\n"
    "reported and printed. Tones come from a generated wave, an emulated OPL2 FM chip or an emulated PC\n"
    "speaker, all played through the desktop's sound server.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # kelvor_2.0_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON) # the build keeps its debugging information; the package does not
# Loaded at run time, not linked: the window's font, Qt's Wayland platform and its sound output plugin,
# the tool the menu launcher asks for the documents folder.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, qt6-wayland, libqt6multimedia6, xdg-user-dirs")
# A sound server for the stream (PipeWire's PulseAudio service on Debian's desktops).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pipewire-pulse | pulseaudio, xdg-utils")
include(CPack)

# make package: a Debian package of the installed tree (prefix /usr), named
# pealix_<version>_amd64.deb. dpkg-shlibdeps derives the library dependencies from the
# programs and from the sound and serial plugin (FluidSynth, RtMidi, ALSA, Qt SerialPort
# come in through it); what is loaded at run time without being linked is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pealix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Pealix maintainers <maintainers@pealix.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ringtone editor and converter for mobile phones")
set(CPACK_PACKAGE_DESCRIPTION
    "Pealix edits the monophonic ringtones of classic mobile phones: it\n"
    "reads RTTTL, standard MIDI, Sagem, Nokia smart messaging and iMelody,\n"
    "writes these and Motorola, Alcatel and key-press texts, checks a melody\n"
    "against a phone format's limits, plays it through a built-in\n"
    "synthesizer or a MIDI output, and sends it to a phone over a serial\n"
    "data cable.\n"
    "\n"
    "The package also holds pealix-cli, a command-line converter for scripts.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The General MIDI SoundFont of the built-in synthesizer: the synthesizer takes the one
# Debian's alternatives system configures at /usr/share/sounds/sf2/default-GM.sf2 first,
# so any package that provides it will do; the display plug-in for Wayland sessions
# (Qt falls back to X11 without it); Qt's translations of its own buttons and dialogs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont | sf2-soundfont-gm")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-translations-l10n")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
# The libraries in PREFIX/lib/pealix are loaded by path, never through the linker's
# cache: the package has no maintainer scripts (see PealixDebRepack.cmake).
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PealixDebRepack.cmake)
include(CPack)

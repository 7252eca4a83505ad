# The Debian package (`make package`): CPack's DEB generator packs exactly what `cmake --install`
# puts in place, the files tests/install checks, and dpkg-shlibdeps finds Depends from the
# libraries the programs link. A native package: the packaging lives and is released with the
# program, so its version is the program's own, with no Debian revision.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellum)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Pellum developers <dev@pellum.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://pellum.example/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "capture, save and send MIDI System Exclusive dumps")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Pellum keeps the System Exclusive dumps that a synthesizer sends in a
numbered list, saves them as .syx files and loads them back, reads the SysEx
of Standard MIDI Files, and sends stored messages to the instrument again, one
at a time or all of them paced. It asks the instrument who it is, checks
Roland and YAMAHA checksums and sends dump requests written in small text
files.
.
The command-line companion pellum-cli lists, converts and fixes such files and
sends, receives and identifies over the same MIDI ports: those of a JACK
server (jackd2 or PipeWire's) and of the ALSA sequencer.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window cannot open without a platform plugin, which libqt6gui6 only recommends.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# libjack and alsa-lib are loaded when first needed, so dpkg-shlibdeps cannot see them; without
# either Pellum still opens and edits files. The fonts are the ones the window's layout was
# measured with (app/Appearance.cpp).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libjack-jackd2-0 | libjack0 | pipewire-jack, libasound2, fonts-ipafont-gothic, fonts-liberation2, fonts-comic-neue")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)

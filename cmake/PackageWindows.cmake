# Makes the release archive and the installer from a Windows build, run as
#   cmake -DPROGRAM=... -DSOURCE_DIR=... -DVERSION=... -DMAKENSIS=... -DOUTPUT_DIR=...
#         -P PackageWindows.cmake
# (the orbl_package target). OUTPUT_DIR receives orbelle-VERSION-win64.zip,
# orbelle-VERSION-setup.exe and stage/, the program folder both are made from.
foreach(var PROGRAM SOURCE_DIR VERSION MAKENSIS OUTPUT_DIR)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "PackageWindows.cmake: ${var} is not set")
  endif()
endforeach()

# The tests package into a folder of their own (tests/e2e/signed_package.sh),
# so that a release in build/package is never replaced by a test build.
if(NOT "$ENV{ORBELLE_PACKAGE_DIR}" STREQUAL "")
  set(OUTPUT_DIR "$ENV{ORBELLE_PACKAGE_DIR}")
endif()
set(stage_root ${OUTPUT_DIR}/stage)
# Unpacks as one folder named like the product rather than spilling its files.
set(stage ${stage_root}/Orbelle)
set(zip ${OUTPUT_DIR}/orbelle-${VERSION}-win64.zip)
set(setup ${OUTPUT_DIR}/orbelle-${VERSION}-setup.exe)

set(sign_cert "$ENV{ORBELLE_SIGN_CERT}")
set(sign_timestamp "$ENV{ORBELLE_SIGN_TIMESTAMP}")
set(sign_script ${SOURCE_DIR}/scripts/sign-file.sh)
if(sign_cert)
  get_filename_component(sign_cert "${sign_cert}" ABSOLUTE)
  if(NOT EXISTS "${sign_cert}")
    message(FATAL_ERROR "no certificate at ${sign_cert}")
  endif()
  # makensis runs its finalize commands through the shell: plain words only.
  foreach(word "${sign_cert}" "${sign_script}" "${sign_timestamp}")
    if(word MATCHES "[^-A-Za-z0-9_./:+=@~,?]")
      message(FATAL_ERROR "\"${word}\" holds a character the signing command cannot pass on: "
                          "only letters, digits and -_./:+=@~,? are allowed")
    endif()
  endforeach()
  if(sign_timestamp)
    message(STATUS "Signing with ${sign_cert}, time-stamped by ${sign_timestamp}")
  else()
    message(STATUS "Signing with ${sign_cert}, without a time stamp: the signatures end with "
                   "the certificate")
  endif()
else()
  message(STATUS "No certificate named (scripts/package.sh --sign CERT.pfx): the program, the "
                 "installer and the uninstaller are not signed")
endif()

file(REMOVE_RECURSE ${stage_root})
file(REMOVE ${zip} ${setup})
file(MAKE_DIRECTORY ${stage}/Language)

# Text files are read on Windows: CRLF whatever the checkout made of them.
function(copy_as_crlf source destination)
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${destination} "${text}")
endfunction()

# orbl3.exe by name: its separate symbols file, if the build makes one, stays out.
file(COPY ${PROGRAM} DESTINATION ${stage})
if(sign_cert)
  execute_process(COMMAND bash ${sign_script} ${sign_cert} "${sign_timestamp}" ${stage}/orbl3.exe
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "signing orbl3.exe failed")
  endif()
endif()
file(COPY ${SOURCE_DIR}/help/orbelle-help.html DESTINATION ${stage})
copy_as_crlf(${SOURCE_DIR}/docs/readme-win.txt ${stage}/readme.txt)
copy_as_crlf(${SOURCE_DIR}/LICENSE ${stage}/LICENSE.txt)
# Shipped byte for byte (see .gitattributes), as the build folder has them.
file(GLOB languages ${SOURCE_DIR}/Language/*.[iI][nN][iI])
if(NOT languages)
  message(FATAL_ERROR "no language files in ${SOURCE_DIR}/Language")
endif()
file(COPY ${languages} DESTINATION ${stage}/Language)

# The installer names each language file it installs and removes: the
# uninstaller leaves files it did not put there.
set(install_lines "")
set(delete_lines "")
foreach(language ${languages})
  get_filename_component(name ${language} NAME)
  string(APPEND install_lines "  File \"\${STAGE}\\Language\\${name}\"\n")
  string(APPEND delete_lines "  Delete /REBOOTOK \"\${dir}\\${name}\"\n")
endforeach()
file(WRITE ${stage_root}/shipped.nsh
     "; Made by PackageWindows.cmake: the language files of this build.\n"
     "!macro InstallShippedLanguages\n${install_lines}!macroend\n"
     "!macro DeleteShippedLanguages dir\n${delete_lines}!macroend\n")
file(COPY ${SOURCE_DIR}/platform/win32/tray.ico DESTINATION ${stage_root})
file(RENAME ${stage_root}/tray.ico ${stage_root}/orbelle.ico)

# The same time stamp on every run: a rebuilt archive differs only when a file does.
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC git -C ${SOURCE_DIR} log -1
                        "--date=format-local:%Y-%m-%d %H:%M:%S UTC" --format=%cd
                OUTPUT_VARIABLE mtime OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE git_status
                ERROR_QUIET)
if(NOT git_status EQUAL 0 OR mtime STREQUAL "")
  set(mtime "2026-01-01 00:00:00 UTC")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip --mtime=${mtime} Orbelle
                WORKING_DIRECTORY ${stage_root} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "making ${zip} failed")
endif()

set(sign_define)
if(sign_cert)
  set(sign_define "-DSIGN=bash ${sign_script} ${sign_cert} '${sign_timestamp}'")
endif()
execute_process(COMMAND ${MAKENSIS} -V2 -NOCD -DVERSION=${VERSION} -DSTAGE=${stage}
                        -DOUTFILE=${setup} ${sign_define} ${SOURCE_DIR}/installer/orbelle.nsi
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "makensis failed")
endif()
message(STATUS "Packaged ${zip}")
message(STATUS "Packaged ${setup}")

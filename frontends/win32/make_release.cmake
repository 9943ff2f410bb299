# Lays out the release folder FOLDER in STAGE - the program, README.txt and LICENSE.txt - and
# packs it into ZIP. The texts get Windows line ends, so Notepad on any Windows shows them
# right, and README.txt a byte order mark, so its Czech half is read as UTF-8.
# Called with -DEXE= -DREADME= -DLICENSE= -DVERSION= -DFOLDER= -DSTAGE= -DZIP=.
cmake_minimum_required(VERSION 3.21)

function(write_windows_text source target with_bom)
  file(READ ${source} text)
  string(CONFIGURE "${text}" text @ONLY)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  set(bom "")
  if(with_bom)
    string(ASCII 239 187 191 bom)
  endif()
  file(WRITE ${target} "${bom}${text}")
endfunction()

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/${FOLDER})
file(COPY_FILE ${EXE} ${STAGE}/${FOLDER}/Lantervo.exe)
write_windows_text(${README} ${STAGE}/${FOLDER}/README.txt TRUE)
write_windows_text(${LICENSE} ${STAGE}/${FOLDER}/LICENSE.txt FALSE)
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip ${FOLDER}
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE packed)
if(NOT packed EQUAL 0)
  message(FATAL_ERROR "packing ${ZIP} failed: ${packed}")
endif()

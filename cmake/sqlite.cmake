# SQLite for the history store. Linux links Debian's libsqlite3; the Windows builds compile
# SQLite's amalgamation, made by scripts/lib/sqlite_source.sh from Debian's pinned source
# package, into the executable, so Lantervo.exe stays one file.
add_library(lantervo_sqlite INTERFACE)
if(WIN32)
  set(LANTERVO_SQLITE_SOURCE "${PROJECT_SOURCE_DIR}/build/third_party/sqlite"
      CACHE PATH "Folder with SQLite's amalgamation (sqlite3.c, sqlite3.h)")
  if(NOT EXISTS "${LANTERVO_SQLITE_SOURCE}/sqlite3.c")
    message(FATAL_ERROR "SQLite's amalgamation is missing in ${LANTERVO_SQLITE_SOURCE}; "
                        "scripts/lib/sqlite_source.sh makes it from Debian's source package.")
  endif()
  add_library(lantervo_sqlite3 STATIC "${LANTERVO_SQLITE_SOURCE}/sqlite3.c")
  target_include_directories(lantervo_sqlite3 SYSTEM PUBLIC "${LANTERVO_SQLITE_SOURCE}")
  # What the history store does not use stays out, and the code is built for size.
  target_compile_definitions(lantervo_sqlite3 PRIVATE
    SQLITE_THREADSAFE=2 SQLITE_DQS=0 SQLITE_DEFAULT_MEMSTATUS=0 SQLITE_DEFAULT_WAL_SYNCHRONOUS=1
    SQLITE_LIKE_DOESNT_MATCH_BLOBS SQLITE_MAX_EXPR_DEPTH=0 SQLITE_OMIT_DEPRECATED
    SQLITE_OMIT_LOAD_EXTENSION SQLITE_OMIT_SHARED_CACHE SQLITE_OMIT_PROGRESS_CALLBACK
    SQLITE_OMIT_AUTHORIZATION SQLITE_OMIT_COMPLETE SQLITE_OMIT_DECLTYPE SQLITE_OMIT_TCL_VARIABLE
    SQLITE_OMIT_GET_TABLE SQLITE_OMIT_UTF16 SQLITE_OMIT_TRACE SQLITE_OMIT_JSON
    SQLITE_WIN32_MALLOC SQLITE_OS_WIN=1)
  target_compile_options(lantervo_sqlite3 PRIVATE -Os -w)
  target_link_libraries(lantervo_sqlite INTERFACE lantervo_sqlite3)
else()
  find_package(SQLite3 REQUIRED)
  target_link_libraries(lantervo_sqlite INTERFACE SQLite::SQLite3)
endif()

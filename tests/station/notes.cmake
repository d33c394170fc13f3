# The report engine's consignment note forms tests (included from tests/CMakeLists.txt, paths relative to tests/).
velta_test_program(test-station-notes
  SOURCES
    station/notes/NoteFormCommandTest.cpp
    station/notes/NoteFormsData.h
    station/notes/NoteFormsServerTest.cpp
    station/notes/NoteFormsTest.cpp
    station/StationFixture.h
  LIBS velta-station-cli velta-station-reports velta-station-demo velta-station-db velta-text velta-runtime)
if(TARGET velta-station)
  add_dependencies(test-station-notes velta-station)
endif()

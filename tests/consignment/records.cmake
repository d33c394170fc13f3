# The consignment note records tests (included from tests/CMakeLists.txt, paths relative to tests/).
velta_test_program(test-consignment-records
  SOURCES
    consignment/TtnDefaultsTest.cpp
    consignment/TtnNoteStoreTest.cpp
    consignment/TtnVarListTest.cpp
  LIBS velta-consignment-records)
if(TARGET velta-station)
  add_dependencies(test-consignment-records velta-station)
endif()

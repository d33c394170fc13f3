# The consignment note list tests (included from tests/CMakeLists.txt, paths relative to tests/).
velta_test_program(test-consignment-list
  SOURCES
    consignment/NoteListFixture.cpp
    consignment/NoteListFixture.h
    consignment/NoteEditRoadsTest.cpp
    consignment/NoteListRoadsTest.cpp
    consignment/NotePrintRoadsTest.cpp
    receipts/ReceiptWindowLook.cpp
    receipts/ReceiptWindowLook.h
    support/MenuStationFixture.cpp
    support/MenuStationFixture.h
    support/VariantDescription.h
  LIBS velta-consignment-list velta-menu velta-station-cli velta-station-demo)
target_compile_definitions(test-consignment-list PRIVATE VELTA_TEST_WIDGETS)
target_link_libraries(test-consignment-list PRIVATE ${CMAKE_DL_LIBS})
if(TARGET velta-station)
  add_dependencies(test-consignment-list velta-station)
endif()

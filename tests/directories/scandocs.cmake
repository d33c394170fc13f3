# The scanned documents register tests (included from tests/CMakeLists.txt, paths relative to tests/).
velta_test_program(test-scandocs
  SOURCES
    directories/DirectoryStation.cpp
    directories/DirectoryStation.h
    directories/scandocs/ScanDocRoadsTest.cpp
    directories/scandocs/ScanDocStation.cpp
    directories/scandocs/ScanDocStation.h
    directories/scandocs/ScanDocUnitsTest.cpp
    receipts/ReceiptWindowLook.cpp
    receipts/ReceiptWindowLook.h
    support/MenuStationFixture.cpp
    support/MenuStationFixture.h
    support/VariantDescription.h
  LIBS velta-scandocs velta-menu velta-station-cli velta-station-demo velta-station-db Qt6::Test)
target_compile_definitions(test-scandocs PRIVATE VELTA_TEST_WIDGETS)
target_link_libraries(test-scandocs PRIVATE ${CMAKE_DL_LIBS})
if(TARGET velta-station)
  add_dependencies(test-scandocs velta-station)
endif()

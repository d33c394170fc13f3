# The contragent directory tests (included from tests/CMakeLists.txt, paths relative to tests/).
velta_test_program(test-directories
  SOURCES
    directories/AddEditOrganizationFormTest.cpp
    directories/ContragentUnitsTest.cpp
    directories/DbfExchangeTest.cpp
    directories/DirectoryLookTest.cpp
    directories/DirectoryRoadsTest.cpp
    directories/DirectoryStation.cpp
    directories/DirectoryStation.h
    foundation/dbf/DbfProcess.h
    receipts/ReceiptWindowLook.cpp
    receipts/ReceiptWindowLook.h
    support/MenuStationFixture.cpp
    support/MenuStationFixture.h
    support/VariantDescription.h
  LIBS velta-directories velta-menu velta-station-cli velta-station-demo velta-station-db Qt6::Test)
target_compile_definitions(test-directories PRIVATE VELTA_TEST_WIDGETS)
target_link_libraries(test-directories PRIVATE ${CMAKE_DL_LIBS})
if(TARGET velta-station)
  add_dependencies(test-directories velta-station)
endif()

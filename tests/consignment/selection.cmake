# The consignment note selection tests (included from tests/CMakeLists.txt, paths relative to tests/).
velta_test_program(test-consignment-selection
  SOURCES
    consignment/SaleSelectionTest.cpp
    consignment/SelectSaleRoadsTest.cpp
    receipts/ReceiptWindowLook.cpp
    receipts/ReceiptWindowLook.h
    support/MenuStationFixture.cpp
    support/MenuStationFixture.h
    support/VariantDescription.h
  LIBS velta-consignment-selection velta-menu velta-station-cli velta-station-demo)
target_compile_definitions(test-consignment-selection PRIVATE VELTA_TEST_WIDGETS)
target_link_libraries(test-consignment-selection PRIVATE ${CMAKE_DL_LIBS})
if(TARGET velta-station)
  add_dependencies(test-consignment-selection velta-station)
endif()

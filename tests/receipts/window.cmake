# The receipt window tests (included from tests/CMakeLists.txt, paths relative to tests/).
velta_test_program(test-receipt-window
  SOURCES
    receipts/window/ReceiptValuesTest.cpp
    receipts/window/SalesQueryTest.cpp
    receipts/window/TovarCheckRoadsTest.cpp
    receipts/window/TovarCheckSettingsTest.cpp
    support/MenuStationFixture.cpp
    support/MenuStationFixture.h
    support/VariantDescription.h
  LIBS velta-menu velta-station-cli velta-station-demo)
target_compile_definitions(test-receipt-window PRIVATE VELTA_TEST_WIDGETS)
target_link_libraries(test-receipt-window PRIVATE ${CMAKE_DL_LIBS})
if(TARGET velta-station)
  add_dependencies(test-receipt-window velta-station)
endif()

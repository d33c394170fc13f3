# The keeper movement, discount cards and dispenser history tests (included from tests/CMakeLists.txt, paths relative to tests/).
velta_test_program(test-journal-windows
  SOURCES
    directories/journals/JournalEngineTest.cpp
    directories/journals/JournalWindowsTest.cpp
    directories/journals/TrkLogDisplayTest.cpp
    receipts/ReceiptWindowLook.cpp
    receipts/ReceiptWindowLook.h
    station/StationFixture.h
    support/MenuStationFixture.cpp
    support/MenuStationFixture.h
    support/VariantDescription.h
  LIBS velta-journal-windows velta-menu velta-station-cli velta-station-server velta-station-demo Qt6::Test)
target_compile_definitions(test-journal-windows PRIVATE VELTA_TEST_WIDGETS)
target_link_libraries(test-journal-windows PRIVATE ${CMAKE_DL_LIBS})
if(TARGET velta-station)
  add_dependencies(test-journal-windows velta-station)
endif()

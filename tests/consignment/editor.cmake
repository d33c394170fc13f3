# The consignment note editor tests (included from tests/CMakeLists.txt, paths relative to tests/).
velta_test_program(test-consignment-editor
  SOURCES
    consignment/editor/TtnEditorRoadsTest.cpp
    consignment/editor/TtnEditorWindowTest.cpp
    receipts/ReceiptWindowLook.cpp
    receipts/ReceiptWindowLook.h
  LIBS velta-consignment-editor Qt6::Test)
target_compile_definitions(test-consignment-editor PRIVATE VELTA_TEST_WIDGETS)
if(TARGET velta-station)
  add_dependencies(test-consignment-editor velta-station)
endif()

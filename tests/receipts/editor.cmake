# The receipt editor tests (included from tests/CMakeLists.txt, paths relative to tests/).
velta_test_program(test-receipt-editor
  SOURCES
    receipts/CheckPreviewFormTest.cpp
    receipts/DocCnfFormTest.cpp
    receipts/ReceiptWindowLook.cpp
    receipts/ReceiptWindowLook.h
    receipts/ReceiptWindowsLookTest.cpp
    receipts/TemplateMarkupTest.cpp
    receipts/TovCheckOnVidOplFormTest.cpp
    support/PluginStateFixture.cpp
    support/PluginStateFixture.h
  LIBS velta-receipt-editor Qt6::Test)
target_compile_definitions(test-receipt-editor PRIVATE VELTA_TEST_WIDGETS)

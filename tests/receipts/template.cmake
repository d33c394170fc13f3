# The receipt template tests (included from tests/CMakeLists.txt, paths relative to tests/).
velta_test_program(test-receipt-template
  SOURCES
    receipts/CustomCheckBuilderTest.cpp
    receipts/PredChecksFileTest.cpp
    receipts/ReceiptReferenceTest.cpp
    receipts/ReceiptSettings.h
  LIBS velta-receipt-templates velta-runtime)

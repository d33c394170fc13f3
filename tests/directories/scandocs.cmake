# The scanned documents register tests (included from tests/CMakeLists.txt, paths relative to tests/).

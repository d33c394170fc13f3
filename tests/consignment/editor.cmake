# The consignment note editor tests (included from tests/CMakeLists.txt, paths relative to tests/).

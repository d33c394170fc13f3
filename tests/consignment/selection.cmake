# The consignment note selection tests (included from tests/CMakeLists.txt, paths relative to tests/).

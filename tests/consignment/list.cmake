# The consignment note list tests (included from tests/CMakeLists.txt, paths relative to tests/).

# The consignment note records tests (included from tests/CMakeLists.txt, paths relative to tests/).

# The report engine's consignment note forms tests (included from tests/CMakeLists.txt, paths relative to tests/).

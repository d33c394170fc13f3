# The contragent directory tests (included from tests/CMakeLists.txt, paths relative to tests/).

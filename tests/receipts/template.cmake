# The receipt template tests (included from tests/CMakeLists.txt, paths relative to tests/).

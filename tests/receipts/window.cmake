# The receipt window tests (included from tests/CMakeLists.txt, paths relative to tests/).

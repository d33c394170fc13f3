# The receipt editor tests (included from tests/CMakeLists.txt, paths relative to tests/).

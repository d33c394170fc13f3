# The keeper movement, discount cards and dispenser history tests (included from tests/CMakeLists.txt, paths relative to tests/).

# Tests of tools beyond the ones listed in tests/CMakeLists.txt.

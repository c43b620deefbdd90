# Tests of system beyond the ones listed in tests/CMakeLists.txt.

# Tests of net beyond the ones listed in tests/CMakeLists.txt.

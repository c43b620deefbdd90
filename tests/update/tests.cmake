# Tests of update beyond the ones listed in tests/CMakeLists.txt.

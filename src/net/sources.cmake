# Sources of src/net beyond the ones listed in src/CMakeLists.txt.

# Sources of src/system beyond the ones listed in src/CMakeLists.txt.

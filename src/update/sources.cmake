# Sources of src/update beyond the ones listed in src/CMakeLists.txt.

# CMake generated Testfile for 
# Source directory: /work/main/tests/win
# Build directory: /work/main/build/win64-e2e/tests/win
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.

# CMake generated Testfile for 
# Source directory: /work/main/src
# Build directory: /work/main/build/win64-e2e/src
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.

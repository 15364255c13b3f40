// Compiles the precompiled header that every test executable shares.

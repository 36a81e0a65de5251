// Compiles the tests' shared precompiled header (Precompiled.h); holds no code.

extern "C" int fptrPlaceholder() { return 0; }

int twofold_value(void) { return 4; }

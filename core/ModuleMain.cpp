// The module's exported entry point lands here with the core.

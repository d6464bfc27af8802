// Nothing of its own: the Windows suites' precompiled headers are made with this file.

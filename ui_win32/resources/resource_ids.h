#pragma once

// The executable's resources (kestrune.rc), shared by the windows that load them.
#define IDI_KESTRUNE 1
#define IDB_MAKER 101
#define IDB_PARTNER_LOGO 102

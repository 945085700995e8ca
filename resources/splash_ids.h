#pragma once

// Resource identifiers of the application icon and the splash window's pictures. Plain
// #defines: the resource compiler reads this file too.

// The application icon. It must stay the first icon resource: Explorer shows the icon group
// with the lowest identifier as the program's own.
#define IDI_QUENLOW 1

// Bitmaps and other pictures use 300-399.
#define IDB_SPLASH_LOGO 300

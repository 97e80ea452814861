// The game's five fonts, made once at start-up and used by every layer that draws text.
#pragma once

extern int gFont20;
extern int gFont24Bold;
extern int gFont64;
extern int gFont24;
extern int gFont28;

// Makes them; no Japanese-capable font is a CException.
void fCreateFonts();

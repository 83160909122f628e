#pragma once
// The program's five windows, created once at start-up, hidden, in a fixed order; the first
// is the main window.

void CreateWindowSet();
void DestroyWindowSet();

#pragma once
// The program's five windows, created once at start-up, hidden, in a fixed order; the first
// is the main window. The others belong to it on the desktop: they have no task-bar entry of
// their own, stay with it, and are minimised and restored with it.

void CreateWindowSet();
void DestroyWindowSet();

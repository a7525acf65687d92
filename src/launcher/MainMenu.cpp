#include "launcher/Main.h"

// Placeholders until the menu commands land.
void Main::Soft_Close_On_Off_Click() {}
void Main::Koukaon_On_Off_Click() {}
void Main::Format_Click() {}

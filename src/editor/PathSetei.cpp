#include "launcher/Main.h"

// Placeholder until the slot editor lands.
void Main::Path_Setei_Click() {}

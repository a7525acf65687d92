#include "launcher/Main.h"

// Placeholder until the launch lands.
void Main::Run_B_Click(int) {}

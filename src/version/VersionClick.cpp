#include "launcher/Main.h"

// Placeholder until the version window lands.
void Main::Version_Click() {}

# Installation: the portable program folder, a desktop entry and the icon.

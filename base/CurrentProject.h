#pragma once

// Letter of the current project, 'A' to 'Z'; 0 while no project is loaded.
// It names the Save.ini section and the file letter of the favourites in use.
extern char CurrentPrj;

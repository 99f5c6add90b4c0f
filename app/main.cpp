// Quillmate: a viewer for the Korvex code example library.
#include "app/StartUp.h"

int main(int argc, char** argv) {
    return quillmate::RunProgram(argc, argv);
}

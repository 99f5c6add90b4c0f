// Quillmate: a viewer for the Korvex code example library.
#include "app/ErrorTrap.h"
#include "app/StartUp.h"

int main(int argc, char** argv) {
    // The error trap starts the program again to show the report of a fault.
    if (const auto fault = quillmate::HandedOverFault()) {
        return quillmate::RunErrorReport(*fault, argc, argv);
    }
    quillmate::RunProgram(argc, argv);
}

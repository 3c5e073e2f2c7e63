#include "tests/win/check.h"

int main() { return wintest::RunAll(); }

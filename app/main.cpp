#include <cstdio>

// The application shell is not built yet: the executable only tells its version.
int main()
{
    std::puts("Tarvolin v1.0");
    return 0;
}

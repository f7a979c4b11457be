// worldtool info FILE | resave IN OUT | render FILE OUT.bmp
#include "tools/worldtool/WorldTool.h"

#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "info" && argc == 3)
        return WorldTool::Info(argv[2], std::cout, std::cerr);
    if (command == "resave" && argc == 4)
        return WorldTool::Resave(argv[2], argv[3], std::cerr);
    if (command == "render" && argc == 4)
        return WorldTool::Render(argv[2], argv[3], std::cerr);
    std::cerr << "usage: worldtool info FILE\n"
                 "       worldtool resave IN OUT\n"
                 "       worldtool render FILE OUT.bmp\n";
    return 2;
}

#include <cstdio>

int main() {
    std::puts("사용법: Tessellane --cli <출력폴더> <접미사> <파일들...>");
    return 2;
}

// The program each layer's link check builds: nothing runs, only the link matters.
int main() {
    return 0;
}

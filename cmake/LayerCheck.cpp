// The program of a layer check: it links one layer's whole archive with the layers below it
// and does nothing; the link itself is the check.
int main() {
    return 0;
}

// Linked with every object of one core library and nothing above it: the
// link fails when that library calls into a floor it may not include.
int main() {
  return 0;
}

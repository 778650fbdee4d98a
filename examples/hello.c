/* hello.c: a small program to page with highlighted regions. */
#include <stdio.h>

int main(void)
{
	int count = 3;
	for (int i = 0; i < count; i++)
		printf("hello, %d\n", i);
	return 0;
}

/* A program of a library user: links the installed comm700 through pkg-config and reads the
 * drive's model over the simulator channel. */
#include <comm700.h>
#include <stdio.h>

int main(void)
{
    char version[80] = {0};
    double model = 0;
    int status;
    CommDLLVersion700(version);
    UseSerialPort(0);
    SetAxis700(1);
    status = GetVar700("Model", &model);
    printf("%s\nstatus %d Model %g\n", version, status, model);
    return status == COMM_OK ? 0 : 1;
}

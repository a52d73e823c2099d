// statlink: placeholder until the library lands.

// cli

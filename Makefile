# Shortcuts for the two commands of the README.
.PHONY: run test stop
run:
	tools/run
test:
	tools/test
stop:
	tools/run --stop

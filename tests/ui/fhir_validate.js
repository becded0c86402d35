// node fhir_validate.js <npm folder> <file>: the file's FHIR resource against the FHIR R4 JSON schema;
// prints the errors and exits 1 when there are any.
const Validator = require(process.argv[2] + '/node_modules/@asymmetrik/fhir-json-schema-validator');
const errors = new Validator().validate(JSON.parse(require('fs').readFileSync(process.argv[3], 'utf8')));
if (errors.length > 0) console.log(JSON.stringify(errors, null, 1));
process.exit(errors.length > 0 ? 1 : 0);
